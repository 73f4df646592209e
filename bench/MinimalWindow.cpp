// The start-up floor: a Qt program that shows one empty window and ends after its first paint.
//   tarnwick_minimal_window          an empty window
//   tarnwick_minimal_window --text   a window showing a label and a button (a program that shows text loads fonts)
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

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
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Minimal window"), &window));
        layout->addWidget(new QPushButton(QStringLiteral("&Close"), &window));
    }
    FirstPaint watcher(&window);
    window.installEventFilter(&watcher);
    window.show();
    const int code = app.exec();
    return watcher.Seen() ? code : 3;
}
