#include "ClearSelectTableView.h"

#include <QItemSelectionModel>
#include <QMouseEvent>

ClearSelectTableView::ClearSelectTableView(QWidget *parent)
    : QTableView(parent)
{
}

ClearSelectTableView::~ClearSelectTableView() = default;

void ClearSelectTableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !indexAt(event->pos()).isValid()) {
        clearSelection();
        if (selectionModel())
            selectionModel()->clearCurrentIndex();
        clearFocus();
    }
    QAbstractItemView::mouseReleaseEvent(event);
}
