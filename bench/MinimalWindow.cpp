// The start-up floor: a Qt program that shows one empty window and ends after its first paint.
#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaint final : public QObject
{
public:
    explicit FirstPaint(QWidget *window) : m_window(window) {}
    bool Seen() const { return m_seen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, m_window, &QWidget::close);
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(640, 420);
    FirstPaint watcher(&window);
    window.installEventFilter(&watcher);
    window.show();
    const int code = app.exec();
    return watcher.Seen() ? code : 3;
}
