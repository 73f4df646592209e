#pragma once

#include <QStringList>
#include <QWidget>

class QTabBar;
class QFrame;

// A row of tabs along the top of a framed body. The pages are separate controls laid over the body; the owner
// shows and hides them on Change.
class TabStrip final : public QWidget
{
    Q_OBJECT
public:
    explicit TabStrip(QWidget *parent = nullptr);

    void Clear();
    // Adding the first tab to an empty strip selects it, which raises Change at once.
    void Add(const QString &key, const QString &caption, int index);
    int Count() const;
    QString Key(int index) const;
    // -1 while there are no tabs.
    int SelectedIndex() const;
    void setSelectedIndex(int index);
    QTabBar *Bar() const { return m_bar; }
    // Height of the row of tabs, in pixels.
    int TabRowHeight() const;

signals:
    void Change();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *m_bar;
    QFrame *m_body;
    QStringList m_keys;
};
