#ifndef SENSORMAP_H
#define SENSORMAP_H

#include "ui_SensorMap.h"

#include "PixelCoords.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <optional>

// A window showing the camera's sensor to scale and the defect lists on it: camera entries as
// squares, user entries as rings, candidates found in frames as crosses, each in its table
// row's colour. The caller feeds it the lists and answers its signals; it keeps no list of its
// own. Screen points are in the drawing area's coordinates (the child named "sensorCanvas").
class SensorMap : public QWidget
{
    Q_OBJECT

public:
    enum Layer { CameraLayer, UserLayer, CandidateLayer };
    Q_ENUM(Layer)

    explicit SensorMap(QWidget *parent = nullptr);
    ~SensorMap() override;

    // Shows the whole sensor afresh.
    void SetSensor(int width, int height);
    // The layer's entries and their table rows' colours (white where a row is missing); selects
    // nothing in that layer.
    void SetLayer(Layer layer, const QList<PixelCoords> &coords, const QList<QColor> &rowColours);
    void SetLayerVisible(Layer layer, bool visible);
    // Marks an entry as the one chosen, as a click on it does; an index outside the list
    // (-1) chooses nothing.
    void SelectEntry(Layer layer, int index);

    void Fit();
    void ZoomAt(QPoint anchor, double factor);
    void PanBy(QPoint delta);
    // Screen pixels per sensor pixel.
    double Scale() const;
    std::optional<PixelCoords> SensorPixelAt(QPoint point) const;
    // The centre of the pixel on the screen.
    QPointF ScreenPointOf(PixelCoords coords) const;

    // Writes a PNG of the map as shown or, with a scale, of the whole sensor at that many
    // screen pixels per sensor pixel. False when it cannot be written.
    bool SaveImage(const QString &fileName, double sensorPixelsScale = 0);

signals:
    // A click on an entry's mark: its index in the list given for the layer.
    void EntryClicked(SensorMap::Layer layer, int index);
    // A double-click on a pixel without a mark: the pixel to add to the user list.
    void AddRequested(PixelCoords coords);
    // Remove or Delete while a user entry is chosen: its index in the user list.
    void RemoveRequested(int index);
    // Find Defects...: the window opens the search with what it knows of the camera.
    void FindDefectsRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void on_cameraLayerBox_toggled(bool checked);
    void on_userLayerBox_toggled(bool checked);
    void on_candidateLayerBox_toggled(bool checked);
    void on_fitButton_clicked();
    void on_removeButton_clicked();
    void on_saveImageButton_clicked();

private:
    void ConnectCanvas();
    void PickAt(QPoint point);
    void AddAt(QPoint point);
    void ShowPointer(QPoint point);
    QString Describe(Layer layer, int index, PixelCoords pointer) const;
    QCheckBox *LayerBox(Layer layer) const;
    void ShowLayer(Layer layer, bool visible);
    std::optional<std::pair<Layer, int>> MarkAt(QPoint point) const;

    Ui::SensorMap ui;
    Layer selectedLayer = CameraLayer;
    int selectedIndex = -1;
};

#endif
