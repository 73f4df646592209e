#include "ui/frmChooser.h"
#include "core/modGeneral.h"

int main(int argc, char *argv[])
{
    return Main(argc, argv, &frmChooser::Create);
}
