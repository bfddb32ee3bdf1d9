#ifndef CLEARSELECTTABLEVIEW_H
#define CLEARSELECTTABLEVIEW_H

#include <QTableView>

// The user list's table: a left click on empty space drops the selection, the current
// index and the focus, so that nothing stays chosen for Remove.
class ClearSelectTableView : public QTableView
{
public:
    explicit ClearSelectTableView(QWidget *parent = nullptr);
    ~ClearSelectTableView() override;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

#endif
