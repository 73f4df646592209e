#include "core/modGeneral.h"
#include "ui/frmChooser.h"

int main(int argc, char *argv[])
{
    return Main(argc, argv, &frmChooser::Create);
}
