#include "ListManager.h"

#include "DebugLog.h"
#include "ListValidation.h"
#include "ValidationMode.h"

namespace {

const QStringList HeaderLabels{QStringLiteral("Row"), QStringLiteral("Column")};

quint16 CellNumber(const QStandardItemModel *model, int row, int column)
{
    const QStandardItem *item = model->item(row, column);
    return item ? quint16(item->text().toUInt()) : 0;
}

} // namespace

void ResetRowColours(QStandardItemModel *model)
{
    if (!model)
        return;
    for (int row = 0; row < model->rowCount(); ++row) {
        model->setData(model->index(row, 0), QColor(Qt::white), Qt::BackgroundRole);
        model->setData(model->index(row, 1), QColor(Qt::white), Qt::BackgroundRole);
    }
}

ListManager::ListManager()
    : userModel(new QStandardItemModel(this))
    , cameraModel(new QStandardItemModel(this))
{
    ResetModel(userModel);
    ResetModel(cameraModel);
}

ListManager::~ListManager() = default;

QStandardItemModel *ListManager::GetModel(DefectiveListType listType)
{
    return ModelOf(listType);
}

QList<PixelCoords> ListManager::GetCoordinateList(DefectiveListType listType)
{
    const QStandardItemModel *model = ModelOf(listType);
    if (!model)
        return {};
    QList<PixelCoords> list;
    list.reserve(model->rowCount());
    for (int row = 0; row < model->rowCount(); ++row)
        list.append(PixelCoords(CellNumber(model, row, 0), CellNumber(model, row, 1)));
    return list;
}

void ListManager::ClearList(DefectiveListType listType)
{
    QStandardItemModel *model = ModelOf(listType);
    if (!model)
        return;
    ResetModel(model);
}

void ListManager::LoadCameraList(QList<PixelCoords> list, CameraDescription description)
{
    if (list.isEmpty()) {
        LogLine(QStringLiteral("Error! File could not be loaded."));
        return;
    }
    ResetModel(cameraModel);
    AppendRows(cameraModel, list);
    HighlightCameraListDefects(list, description, false);
}

void ListManager::AddUserCoordinate(const PixelCoords &coordinates, int afterRow)
{
    const QList<QStandardItem *> items{new QStandardItem(QString::number(coordinates.row)),
                                       new QStandardItem(QString::number(coordinates.column))};
    // A row that is not in the table (only -1 is expected) appends, so the
    // coordinate is never dropped.
    if (afterRow < 0 || afterRow >= userModel->rowCount())
        userModel->appendRow(items);
    else
        userModel->insertRow(afterRow + 1, items);
}

void ListManager::LoadUserList(const QList<PixelCoords> &list)
{
    ResetModel(userModel);
    AppendRows(userModel, list);
}

bool ListManager::RemoveUserListItem(int row)
{
    if (!userModel->removeRow(row, QModelIndex())) {
        LogLine(QStringLiteral("Error! Could not remove item from list!"));
        return false;
    }
    return true;
}

void ListManager::HighlightCameraListDefects(QList<PixelCoords> list, CameraDescription description,
                                             bool resetColours)
{
    if (resetColours)
        ResetRowColours(cameraModel);
    NeighborByteEncoding encoding;
    encoding.SetData(description, list);
    if (!encoding.Generate1DNbEncodingFromDefectImage()) {
        LogLine(QStringLiteral("Error! Generate1DNbEncodingFromDefectImage() failed"));
        return;
    }
    const QList<PixelCoords> runs = encoding.FindMoreThanFourConsecutive();
    if (!runs.isEmpty())
        emit HighlightDefects(runs, CameraList, Qt::yellow);
}

bool ListManager::ValidateDefectivePixelCoordinates(const QList<Finding> &findings,
                                                    const CameraDescription &description, int mode)
{
    ResetRowColours(userModel);
    // Every validation colours the camera table afresh, so that no row stays red for a user
    // entry that is gone or moved.
    const QList<PixelCoords> cameraList = GetCoordinateList(CameraList);
    if (mode == ValidateAfterRemove || !cameraList.isEmpty())
        HighlightCameraListDefects(cameraList, description, true);

    QStringList warnings{QStringLiteral("Warning! The following issue(s) have been detected in the user DP list:\n")};
    for (const Finding &finding : findings) {
        ShowFinding(finding, mode);
        warnings.append(ListValidation::Item(finding.kind));
    }
    if (mode == ValidateForUpload && warnings.size() > 1)
        return ConfirmUpload(warnings);
    return true;
}

// Runs of five to eight are yellow; what the camera cannot hold is red, in both tables where
// it makes camera defects uncorrectable, with a warning after an add or a load.
void ListManager::ShowFinding(const Finding &finding, int mode)
{
    emit HighlightDefects(finding.coordinates, UserList, finding.kind == Finding::MoreThanFour ? Qt::yellow : Qt::red);
    if (finding.cameraDefectsLost.isEmpty())
        return;
    if (mode == ValidateAfterAdd || mode == ValidateAfterLoad)
        WarnOfCameraDefectsLost();
    emit HighlightDefects(finding.coordinates, CameraList, Qt::red);
}

void ListManager::SetPrompt(ListPrompt *userPrompt)
{
    prompt = userPrompt;
}

void ListManager::WarnOfCameraDefectsLost()
{
    if (!prompt)
        return;
    prompt->Warn(QStringLiteral("Verify Last Input"),
                 QStringLiteral("One or more defective pixel coordinates you have added will have an impact on previously uploaded defects. Please check Camera DP List for defects that will be removed from the camera if you proceed. These defects are highlighted in red."));
}

// Without anyone to ask, nothing the camera cannot hold is dropped without a word: the upload
// is declined.
bool ListManager::ConfirmUpload(QStringList warnings)
{
    warnings.append(QStringLiteral("\nWould you like to proceed with the upload process?"));
    return prompt && prompt->Ask(QStringLiteral("Proceed With Upload?"), warnings.join(QLatin1Char('\n')));
}

QStandardItemModel *ListManager::ModelOf(DefectiveListType listType)
{
    switch (listType) {
    case UserList:
        return userModel;
    case CameraList:
        return cameraModel;
    }
    return nullptr;
}

void ListManager::ResetModel(QStandardItemModel *model)
{
    model->clear();
    model->setColumnCount(2);
    model->setHorizontalHeaderLabels(HeaderLabels);
}

void ListManager::AppendRows(QStandardItemModel *model, const QList<PixelCoords> &list)
{
    for (const PixelCoords &coords : list) {
        model->appendRow({new QStandardItem(QString::number(coords.row)),
                          new QStandardItem(QString::number(coords.column))});
    }
}
