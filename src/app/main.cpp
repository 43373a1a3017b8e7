#include "startup/Main.h"

#include "util/LocalTime.h"

int main(int argc, char** argv)
{
    util::PinLocalTimeZone();
    return startup::Main(argc, argv);
}
