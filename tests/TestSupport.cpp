#include "TestSupport.h"

#include "toolkit/AppPath.h"
#include "ui/frmChooser.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QtTest>

namespace TestSupport {

CatalogueDir::CatalogueDir(const QByteArray &bytes)
{
    QFile f(m_dir.filePath(GearFileName));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QString CatalogueDir::FilePath() const
{
    return Path() + QDir::separator() + GearFileName;
}

QByteArray Csv(std::initializer_list<const char *> lines)
{
    QByteArray out;
    for (const char *line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::shared_ptr<SeenBox> OnNextModal(std::function<void(QWidget *)> act)
{
    auto seen = std::make_shared<SeenBox>();
    auto *timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, seen, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
                seen->font = label->font();
        } else {
            seen->title = modal->windowTitle();
        }
        seen->seen = true;
        if (act) {
            act(modal);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            box->accept();
        } else {
            modal->close();
        }
        // A dialog closed inside a wait of `act` leaves Windows' event dispatcher asleep in the dialog's loop, which
        // this timer's event interrupted, until the next window message: under Wine none may come for half a minute.
        QAbstractEventDispatcher::instance()->wakeUp();
    });
    timer->start();
    return seen;
}

std::unique_ptr<Chooser> OpenChooser(const QByteArray &csv, bool show)
{
    auto chooser = std::make_unique<Chooser>();
    chooser->dir = std::make_unique<CatalogueDir>(csv);
    SetAppPathForTesting(chooser->dir->Path());
    chooser->app = std::make_unique<clsGearList>(&frmChooser::Create);
    chooser->form = static_cast<frmChooser *>(chooser->app->MainForm());
    chooser->form->setParent(chooser->app.get());
    chooser->form->Form_Load();
    chooser->loaded = !chooser->app->Finished();
    if (show && chooser->loaded)
        chooser->form->show();
    return chooser;
}

bool WaitForActive(QWidget *window)
{
    window->activateWindow();
    // Not isActiveWindow(): on Wayland it turns true with the compositor's word, before the keyboard arrives.
    return QTest::qWaitForWindowExposed(window) &&
           QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

QStringList CloseTopLevelWindows()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        w->close();
    QStringList left;
    for (QWidget *w : windows) {
        if (w->isVisible())
            left.append(w->objectName());
    }
    return left;
}

QByteArray SampleCsv()
{
    return Csv({
        "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2",
        "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,",
        "Weapons,Pistols,\"Pistol, Silenced\",4,2.6,650,BLK,53,54",
        "Weapons,Pistols,Pocket Derringer,1,0.5,95,QCR,90,",
        "Weapons,Rifles,Hunting Rifle,5,7.5,900,FM,12,",
        "Gadgets,Escape Gadgets,Exploding Cufflinks,3,0,0,GAL,14,",
        "Gadgets,Escape Gadgets,Rope Belt,2,1.5,0,GAL,,",
        "Medical,First Aid,Field Dressing,1,0.25,5,QCR,140,",
    });
}

} // namespace TestSupport
