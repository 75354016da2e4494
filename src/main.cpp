#include "app/Application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication qtApp(argc, argv);
    Application inkwellor;
    inkwellor.start();
    return qtApp.exec();
}
