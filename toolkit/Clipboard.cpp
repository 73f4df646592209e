#include "toolkit/Clipboard.h"

#include "toolkit/OwnedText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void Clipboard::Clear()
{
    // Empty data, not QClipboard::clear(): the clipboard keeps an owner, so that a clipboard manager (weston's among
    // them, bridging XWayland) has no moment without one in which to put older text back.
    QGuiApplication::clipboard()->setMimeData(new QMimeData);
}

void Clipboard::SetText(const QString &text, const QString &html)
{
    auto *data = new QMimeData;
    // The clipboard's data outlives the program's own texts (a clipboard manager may take it at exit).
    data->setText(OwnedText(text));
    if (!html.isEmpty())
        data->setHtml(OwnedText(html));
    QGuiApplication::clipboard()->setMimeData(data);
}

QString Clipboard::Text()
{
    return QGuiApplication::clipboard()->text();
}
