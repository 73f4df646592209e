// The start-up floor: a Qt program that shows one empty window and ends after its first paint.
//   tarnwick_minimal_window          an empty window
//   tarnwick_minimal_window --text   a window showing a label and a button (a program that shows text loads fonts)
//   ... --stay                       the window stays until it is closed, so that a probe can see whose it is
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
    FirstPaint(QWidget *window, bool close) : m_window(window), m_close(close) {}
    bool Seen() const { return m_seen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            if (m_close)
                QTimer::singleShot(0, m_window, &QWidget::close);
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_close;
    bool m_seen = false;
};

bool HasArgument(int argc, char *argv[], const char *argument)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], argument) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(640, 420);
    if (HasArgument(argc, argv, "--text")) {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Minimal window"), &window));
        layout->addWidget(new QPushButton(QStringLiteral("&Close"), &window));
    }
    FirstPaint watcher(&window, !HasArgument(argc, argv, "--stay"));
    window.installEventFilter(&watcher);
    window.show();
    const int code = app.exec();
    return watcher.Seen() ? code : 3;
}
