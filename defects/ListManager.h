#ifndef LISTMANAGER_H
#define LISTMANAGER_H

#include "CameraDescription.h"
#include "Finding.h"
#include "ListPrompt.h"
#include "NeighborByteEncoding.h"
#include "PixelCoords.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QStandardItemModel>

// Paints both cells of every row of the model white.
void ResetRowColours(QStandardItemModel *model);

// The camera list and the user list, each a two-column table model, and the colours and
// questions of the checks that run on them before anything is written to the camera.
class ListManager : public QObject
{
    Q_OBJECT

public:
    ListManager();
    ~ListManager() override;

    // Who is warned and asked during the checks; none declines every upload with findings.
    void SetPrompt(ListPrompt *userPrompt);
    QStandardItemModel *GetModel(DefectiveListType listType);
    QList<PixelCoords> GetCoordinateList(DefectiveListType listType);
    void ClearList(DefectiveListType listType);
    void LoadCameraList(QList<PixelCoords> list, CameraDescription description);
    void AddUserCoordinate(const PixelCoords &coordinates, int afterRow);
    bool RemoveUserListItem(int row);
    void LoadUserList(const QList<PixelCoords> &list);

    void HighlightCameraListDefects(QList<PixelCoords> list, CameraDescription description, bool resetColours);
    // Colours the findings of the merged list's checks into both tables, warns after an add or a
    // load, and before an upload asks whether to go on; false when the upload is declined.
    bool ValidateDefectivePixelCoordinates(const QList<Finding> &findings, const CameraDescription &description,
                                           int mode);

signals:
    void HighlightDefects(QList<PixelCoords> highlightList, DefectiveListType listType, QColor highlightColor);

private:
    QStandardItemModel *ModelOf(DefectiveListType listType);
    void ResetModel(QStandardItemModel *model);
    void AppendRows(QStandardItemModel *model, const QList<PixelCoords> &list);
    void ShowFinding(const Finding &finding, int mode);
    void WarnOfCameraDefectsLost();
    bool ConfirmUpload(QStringList warnings);

    QStandardItemModel *userModel;
    QStandardItemModel *cameraModel;
    ListPrompt *prompt = nullptr;
};

#endif
