#include "HistoryDialog.h"

#include "CoordinateSet.h"
#include "FramelessWindow.h"

#include <QHeaderView>

namespace {

// The coordinates of `list` that `other` does not hold, in the list's order.
QList<PixelCoords> Missing(const QList<PixelCoords> &list, const QList<PixelCoords> &other)
{
    const CoordinateSet held(other);
    QList<PixelCoords> missing;
    for (const PixelCoords &coords : list) {
        if (!held.Contains(coords))
            missing.append(coords);
    }
    return missing;
}

void Fill(QListWidget *view, const QList<PixelCoords> &list)
{
    view->clear();
    for (const PixelCoords &coords : list)
        view->addItem(QStringLiteral("%1,%2").arg(coords.row).arg(coords.column));
}

} // namespace

HistoryDialog::HistoryDialog(const QList<Entry> &entries, const QList<PixelCoords> &cameraList, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
    , entries(entries)
    , cameraList(cameraList)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.historyFrame);
    FillTable();
    connect(ui.historyTable, &QTableWidget::itemSelectionChanged, this, &HistoryDialog::ShowDifference);
    ShowDifference();
}

HistoryDialog::~HistoryDialog() = default;

int HistoryDialog::Chosen() const
{
    const QList<QTableWidgetSelectionRange> ranges = ui.historyTable->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void HistoryDialog::FillTable()
{
    ui.historyTable->setRowCount(entries.size());
    for (int row = 0; row < entries.size(); ++row) {
        const Entry &entry = entries[row];
        ui.historyTable->setItem(row, 0, new QTableWidgetItem(entry.time));
        ui.historyTable->setItem(row, 1, new QTableWidgetItem(entry.done));
        ui.historyTable->setItem(row, 2, new QTableWidgetItem(QString::number(entry.defects)));
    }
    ui.historyTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui.historyTable->verticalHeader()->hide();
}

// A copy that is gone or altered can be seen in the list but not restored.
void HistoryDialog::ShowDifference()
{
    const int row = Chosen();
    const bool readable = row >= 0 && entries[row].readable;
    const QList<PixelCoords> list = readable ? entries[row].list : QList<PixelCoords>();
    const QList<PixelCoords> added = readable ? Missing(list, cameraList) : QList<PixelCoords>();
    const QList<PixelCoords> removed = readable ? Missing(cameraList, list) : QList<PixelCoords>();
    Fill(ui.addedList, added);
    Fill(ui.removedList, removed);
    ui.addedLabel->setText(QStringLiteral("Restoring it adds %1:").arg(added.size()));
    ui.removedLabel->setText(QStringLiteral("Restoring it removes %1:").arg(removed.size()));
    ui.restoreButton->setEnabled(readable);
}

void HistoryDialog::mousePressEvent(QMouseEvent *event)
{
    FramelessWindow::BeginDrag(this, event, dragPosition);
}

void HistoryDialog::mouseMoveEvent(QMouseEvent *event)
{
    FramelessWindow::Drag(this, event, dragPosition);
}
