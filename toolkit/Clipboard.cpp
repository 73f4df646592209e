#include "toolkit/Clipboard.h"

#include "toolkit/OwnedText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void Clipboard::Clear()
{
    QGuiApplication::clipboard()->clear();
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
