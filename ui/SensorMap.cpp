#include "SensorMap.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSaveFile>

#include <cmath>

namespace {

const QString LayerNames[] = {QStringLiteral("camera"), QStringLiteral("user"), QStringLiteral("candidate")};

// What a table row's colour says about its entry; nothing for a plain row.
QString MeaningOf(const QColor &colour)
{
    if (colour == QColor(Qt::yellow))
        return QStringLiteral("run of more than four");
    if (colour == QColor(Qt::red))
        return QStringLiteral("cannot be corrected");
    return QString();
}

QString WithPngSuffix(const QString &fileName)
{
    return QFileInfo(fileName).suffix().isEmpty() ? fileName + QStringLiteral(".png") : fileName;
}

} // namespace

SensorMap::SensorMap(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    ui.setupUi(this);
    ConnectCanvas();
    connect(ui.findDefectsButton, &QPushButton::clicked, this, &SensorMap::FindDefectsRequested);
    // The candidates' box keeps its room while hidden, so that its coming moves nothing on the map.
    QSizePolicy policy = ui.candidateLayerBox->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui.candidateLayerBox->setSizePolicy(policy);
    ui.sensorCanvas->setFocus();
}

SensorMap::~SensorMap() = default;

void SensorMap::SetSensor(int width, int height)
{
    ui.sensorCanvas->SetSensor(QSize(width, height));
}

void SensorMap::SetLayer(Layer layer, const QList<PixelCoords> &coords, const QList<QColor> &rowColours)
{
    if (selectedLayer == layer)
        SelectEntry(layer, -1);
    ui.sensorCanvas->SetLayer(layer, coords, rowColours);
    // Candidates come from frames; until some are found their switch would only puzzle.
    if (layer == CandidateLayer)
        ui.candidateLayerBox->setVisible(!coords.isEmpty());
}

void SensorMap::SetLayerVisible(Layer layer, bool visible)
{
    LayerBox(layer)->setChecked(visible);
}

void SensorMap::SelectEntry(Layer layer, int index)
{
    if (index >= ui.sensorCanvas->LayerAt(layer).Size())
        index = -1;
    selectedLayer = layer;
    selectedIndex = index;
    ui.sensorCanvas->SetSelection(layer, index);
    ui.removeButton->setEnabled(layer == UserLayer && index >= 0);
}

void SensorMap::Fit()
{
    ui.sensorCanvas->Fit();
}

void SensorMap::ZoomAt(QPoint anchor, double factor)
{
    ui.sensorCanvas->ZoomAt(anchor, factor);
}

void SensorMap::PanBy(QPoint delta)
{
    ui.sensorCanvas->PanBy(delta);
}

double SensorMap::Scale() const
{
    return ui.sensorCanvas->View().Scale();
}

std::optional<PixelCoords> SensorMap::SensorPixelAt(QPoint point) const
{
    const QPoint cell = ui.sensorCanvas->View().CellAt(point);
    if (!QRect(QPoint(0, 0), ui.sensorCanvas->Sensor()).contains(cell))
        return std::nullopt;
    return PixelCoords(quint16(cell.y()), quint16(cell.x()));
}

QPointF SensorMap::ScreenPointOf(PixelCoords coords) const
{
    return ui.sensorCanvas->View().CentreOf(QPoint(coords.column, coords.row));
}

bool SensorMap::SaveImage(const QString &fileName, double sensorPixelsScale)
{
    const SensorCanvas &canvas = *ui.sensorCanvas;
    const QImage image = sensorPixelsScale > 0
        ? canvas.Rendered(MapView(sensorPixelsScale, QPointF()),
                          (QSizeF(canvas.Sensor()) * sensorPixelsScale).toSize().expandedTo(QSize(1, 1)))
        : canvas.Rendered(canvas.View(), canvas.size());
    if (image.isNull())
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG"))
        return false;
    return file.commit();
}

void SensorMap::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && ui.removeButton->isEnabled())
        return on_removeButton_clicked();
    QWidget::keyPressEvent(event);
}

void SensorMap::on_cameraLayerBox_toggled(bool checked)
{
    ShowLayer(CameraLayer, checked);
}

void SensorMap::on_userLayerBox_toggled(bool checked)
{
    ShowLayer(UserLayer, checked);
}

void SensorMap::on_candidateLayerBox_toggled(bool checked)
{
    ShowLayer(CandidateLayer, checked);
}

void SensorMap::on_fitButton_clicked()
{
    Fit();
}

void SensorMap::on_removeButton_clicked()
{
    emit RemoveRequested(selectedIndex);
}

// What the map shows, or the whole sensor at a scale, in screen pixels per sensor pixel.
void SensorMap::on_saveImageButton_clicked()
{
    const QStringList choices{QStringLiteral("What the map shows"), QStringLiteral("The whole sensor, 1 pixel per sensor pixel"),
                              QStringLiteral("The whole sensor, 2 pixels per sensor pixel"),
                              QStringLiteral("The whole sensor, 4 pixels per sensor pixel")};
    bool chose = false;
    const int choice = int(choices.indexOf(QInputDialog::getItem(this, QStringLiteral("Save Image"), QStringLiteral("Save:"),
                                                                 choices, 0, false, &chose)));
    if (!chose)
        return;
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Save Image"), QString(),
                                                        QStringLiteral("PNG images (*.png)"));
    if (chosen.isEmpty())
        return;
    const QString fileName = WithPngSuffix(chosen);
    if (!SaveImage(fileName, choice > 0 ? double(1 << (choice - 1)) : 0))
        QMessageBox::critical(this, QStringLiteral("Save Image"),
                              QStringLiteral("The image could not be written to %1.").arg(QDir::toNativeSeparators(fileName)));
}

void SensorMap::ConnectCanvas()
{
    connect(ui.sensorCanvas, &SensorCanvas::Clicked, this, &SensorMap::PickAt);
    connect(ui.sensorCanvas, &SensorCanvas::DoubleClicked, this, &SensorMap::AddAt);
    connect(ui.sensorCanvas, &SensorCanvas::Hovered, this, &SensorMap::ShowPointer);
    connect(ui.sensorCanvas, &SensorCanvas::PointerLeft, ui.statusLabel, &QLabel::clear);
}

void SensorMap::PickAt(QPoint point)
{
    const std::optional<std::pair<Layer, int>> mark = MarkAt(point);
    if (!mark)
        return SelectEntry(selectedLayer, -1);
    SelectEntry(mark->first, mark->second);
    emit EntryClicked(mark->first, mark->second);
}

void SensorMap::AddAt(QPoint point)
{
    const std::optional<PixelCoords> pixel = SensorPixelAt(point);
    if (pixel && !MarkAt(point))
        emit AddRequested(*pixel);
}

// The pointer's row and column, then every mark under it.
void SensorMap::ShowPointer(QPoint point)
{
    const std::optional<PixelCoords> pixel = SensorPixelAt(point);
    if (!pixel)
        return ui.statusLabel->setText(QStringLiteral("Outside the sensor"));
    QStringList parts{QStringLiteral("Row %1, column %2").arg(pixel->row).arg(pixel->column)};
    for (const Layer layer : {CameraLayer, UserLayer, CandidateLayer}) {
        const int index = ui.sensorCanvas->EntryAt(layer, point);
        if (index >= 0)
            parts.append(Describe(layer, index, *pixel));
    }
    ui.statusLabel->setText(parts.join(QStringLiteral("; ")));
}

// "user", "camera at row 7, column 9" when the mark is a neighbour's, then the colour's meaning.
QString SensorMap::Describe(Layer layer, int index, PixelCoords pointer) const
{
    const MapLayer &entries = ui.sensorCanvas->LayerAt(layer);
    const PixelCoords coords = entries.CoordsAt(index);
    QString text = LayerNames[layer];
    if (!(coords == pointer))
        text += QStringLiteral(" at row %1, column %2").arg(coords.row).arg(coords.column);
    const QString meaning = MeaningOf(entries.ColourAt(index));
    return meaning.isEmpty() ? text : text + QStringLiteral(": ") + meaning;
}

QCheckBox *SensorMap::LayerBox(Layer layer) const
{
    QCheckBox *const boxes[] = {ui.cameraLayerBox, ui.userLayerBox, ui.candidateLayerBox};
    return boxes[layer];
}

void SensorMap::ShowLayer(Layer layer, bool visible)
{
    if (!visible && selectedLayer == layer)
        SelectEntry(layer, -1);
    ui.sensorCanvas->SetLayerVisible(layer, visible);
}

// The topmost mark under the point: candidates over user entries over camera entries.
std::optional<std::pair<SensorMap::Layer, int>> SensorMap::MarkAt(QPoint point) const
{
    for (const Layer layer : {CandidateLayer, UserLayer, CameraLayer}) {
        const int index = ui.sensorCanvas->EntryAt(layer, point);
        if (index >= 0)
            return std::make_pair(layer, index);
    }
    return std::nullopt;
}
