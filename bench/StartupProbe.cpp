// Starts as Tarnwick does (the same Main, the bundled catalogue beside the executable) and closes the main
// window once it has been painted the first time, so the whole process can be timed.
#include "core/modGeneral.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaint final : public QObject
{
public:
    bool Seen() const { return m_seen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() &&
            watched->objectName() == QLatin1String("frmChooser")) {
            m_seen = true;
            QTimer::singleShot(0, static_cast<QWidget *>(watched), &QWidget::close);
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaint watcher;
    app.installEventFilter(&watcher);
    const int code = Main(argc, argv, &frmChooser::Create);
    // Ending without a painted window (a load failure, say) is no start-up to time.
    return watcher.Seen() ? code : 3;
}
