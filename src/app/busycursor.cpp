#include "app/busycursor.h"

#include <QApplication>

void showBusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void restoreCursor()
{
    QApplication::restoreOverrideCursor();
}
