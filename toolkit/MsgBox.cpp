#include "toolkit/MsgBox.h"

#include "toolkit/DesignFont.h"
#include "toolkit/ListCell.h"
#include "toolkit/ModalKeyboard.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>

namespace {
std::function<void(const QString &, const QString &, MsgBox::Icon)> &Interceptor()
{
    static std::function<void(const QString &, const QString &, MsgBox::Icon)> interceptor;
    return interceptor;
}
} // namespace

void MsgBox::Show(const QString &text, const QString &title, Icon icon)
{
    if (Interceptor()) {
        Interceptor()(text, title, icon);
        return;
    }
    // Over the active window, if any: a Wayland compositor keeps a box only over the window that owns it.
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information, title, text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setFont(MessageBoxFont());
    ModalKeyboard::Exec(box);
}

QString MsgBox::OneLine(const QString &text)
{
    const QFontMetrics metrics(MessageBoxFont());
    // Cut first: laying out a name of a million characters takes seconds.
    return metrics.elidedText(ShownText(text), Qt::ElideRight, 60 * metrics.averageCharWidth());
}

void MsgBox::SetInterceptor(std::function<void(const QString &, const QString &, Icon)> interceptor)
{
    Interceptor() = std::move(interceptor);
}
