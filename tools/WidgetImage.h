#ifndef WIDGETIMAGE_H
#define WIDGETIMAGE_H

#include <QApplication>
#include <QWidget>

#include <cstdio>

// The widget as it shows once pending events are done, written as an image; says why not.
inline bool SaveWidgetImage(QWidget *widget, const QString &fileName)
{
    QApplication::processEvents();
    if (widget->grab().save(fileName))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(fileName));
    return false;
}

#endif
