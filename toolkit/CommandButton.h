#pragma once

#include <QPushButton>

// A command button whose access key acts once per press. A held Alt+key repeats its shortcut, and a plain button
// clicks again for every repeat that arrives after its click animation has ended.
class CommandButton final : public QPushButton
{
    Q_OBJECT
public:
    explicit CommandButton(const QString &caption, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
};
