#include "toolkit/Clipboard.h"

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
    data->setText(text);
    if (!html.isEmpty())
        data->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(data);
}

QString Clipboard::Text()
{
    return QGuiApplication::clipboard()->text();
}
