#include "MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The images are drawn at 192 pixels, sharp at twice the size on a scaled screen.
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    return application.exec();
}
