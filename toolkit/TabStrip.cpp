#include "toolkit/TabStrip.h"

#include <QFrame>
#include <QTabBar>

TabStrip::TabStrip(QWidget *parent) : QWidget(parent), m_bar(new QTabBar(this)), m_body(new QFrame(this))
{
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_body->setFrameShape(QFrame::StyledPanel);
    m_body->setFrameShadow(QFrame::Raised);
    m_body->lower();
    connect(m_bar, &QTabBar::currentChanged, this, &TabStrip::Change);
}

void TabStrip::Clear()
{
    while (m_bar->count() > 0) {
        m_keys.removeAt(m_bar->count() - 1);
        m_bar->removeTab(m_bar->count() - 1);
    }
}

void TabStrip::Add(const QString &key, const QString &caption, int index)
{
    index = qBound(0, index, m_bar->count());
    m_keys.insert(index, key);
    m_bar->insertTab(index, caption);
}

int TabStrip::Count() const
{
    return m_bar->count();
}

QString TabStrip::Key(int index) const
{
    return m_keys.value(index);
}

int TabStrip::SelectedIndex() const
{
    return m_bar->currentIndex();
}

void TabStrip::setSelectedIndex(int index)
{
    if (index >= 0 && index < m_bar->count())
        m_bar->setCurrentIndex(index);
}

int TabStrip::TabRowHeight() const
{
    return m_bar->sizeHint().height();
}

void TabStrip::resizeEvent(QResizeEvent *)
{
    const int h = TabRowHeight();
    m_bar->setGeometry(0, 0, width(), h);
    m_body->setGeometry(0, h - 1, width(), height() - h + 1);
}
