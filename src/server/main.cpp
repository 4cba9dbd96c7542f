#include "ServerCommandLine.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return vortalux::server::RunServerCommandLine(arguments, std::cout, std::cerr);
}
