// shelfmark: the desktop program.
#include <QApplication>

#include "app/Application.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return shelfmark::RunShelfmark(argc, argv);
}
