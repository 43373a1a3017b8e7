#include "startup/Main.h"

#include "config/Settings.h"

#include <QApplication>

namespace startup {

int Main(int argc, char** argv)
{
    QApplication app(argc, argv);
    config::LoadSettings();
    return 0;
}

} // namespace startup
