#include "toolkit/HeldKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <unordered_map>

namespace {

class Filter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->timestamp() != 0)
                m_released[key->key()] = key->timestamp();
            break;
        }
        case QEvent::ShortcutOverride: {
            // A shortcut is tried before its press is delivered: an unflagged repeat is taken from it here, and
            // its press, flagged below, goes to the focus widget instead.
            auto *key = static_cast<QKeyEvent *>(event);
            if (!key->isAutoRepeat() && isRepeat(*key)) {
                key->accept();
                return true;
            }
            break;
        }
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            if (!isRepeat(*key))
                break;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                key->accept();
                return true;
            }
            if (key->isAutoRepeat())
                break;
            QKeyEvent flagged(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(),
                              key->nativeVirtualKey(), key->nativeModifiers(), key->text(), true, key->count(),
                              key->device());
            flagged.setTimestamp(key->timestamp());
            QCoreApplication::sendEvent(watched, &flagged);
            key->setAccepted(flagged.isAccepted());
            return true;
        }
        case QEvent::WindowDeactivate:
            // The keyboard went elsewhere: what was held there is no concern of the next press here.
            m_released.clear();
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool isRepeat(const QKeyEvent &key) const
    {
        if (key.isAutoRepeat())
            return true;
        // A real release has a timestamp of its own; a repeat's release and press share one.
        const auto found = m_released.find(key.key());
        return key.timestamp() != 0 && found != m_released.end() && found->second == key.timestamp();
    }

    std::unordered_map<int, quint64> m_released; // the timestamp of each key's last release
};

} // namespace

void HeldKeys::Install()
{
    static QPointer<Filter> installed;
    if (installed || !QCoreApplication::instance())
        return;
    installed = new Filter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(installed);
}
