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

#include <vector>

// Paints both cells of every row of the model white.
void ResetRowColours(QStandardItemModel *model);

// The camera list and the user list, each a two-column table model, and the
// checks that run on them before anything is written to the camera.
class ListManager : public QObject
{
    Q_OBJECT

public:
    ListManager();
    ~ListManager() override;

    // Who is warned and asked during the checks; none declines every upload with findings.
    void SetPrompt(ListPrompt *userPrompt);
    QStandardItemModel *GetModel(DefectiveListType listType);
    bool IsCameraListLoaded() const;
    QList<PixelCoords> GetCoordinateList(DefectiveListType listType);
    void ClearList(DefectiveListType listType);
    void LoadCameraList(QList<PixelCoords> list, CameraDescription description);
    void AddUserCoordinate(const PixelCoords &coordinates, int afterRow);
    bool RemoveUserListItem(int row);
    bool ContainsAny(DefectiveListType listType, QList<PixelCoords> list);
    QList<PixelCoords> GetMergedList();

    void HighlightCameraListDefects(QList<PixelCoords> list, CameraDescription description, bool resetColours);
    bool ValidateDefectivePixelCoordinates(QList<PixelCoords> &mergedList, const CameraDescription &description,
                                           NeighborByteEncoding &encoding, int mode);
    bool PrepareBinaryDefectFile(QList<PixelCoords> mergedList, CameraDescription description,
                                 std::vector<unsigned char> *out);

    bool LoadUserListFromFile(QString fileName);
    bool SaveUserListToFile(QString fileName);

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
    bool cameraListLoaded = false;
    ListPrompt *prompt = nullptr;
};

#endif
