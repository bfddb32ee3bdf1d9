#ifndef DETECTIONWORKER_H
#define DETECTIONWORKER_H

#include "Candidate.h"
#include "DetectionInput.h"
#include "DetectionSettings.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <atomic>

// One detection run for a worker thread: Run() is called there, so its signals reach
// receivers of other threads queued. Cancel() may be called from any thread.
class DetectionWorker : public QObject
{
    Q_OBJECT

public:
    DetectionWorker(const DetectionInput &input, const DetectionSettings &settings, QObject *parent = nullptr);

    void Run();
    void Cancel();

signals:
    void Progressed(int done, int total);
    void Finished(bool ok, const QString &error, const QVector<Candidate> &candidates);

private:
    const DetectionInput input;
    const DetectionSettings settings;
    std::atomic_bool cancelled{false};
};

Q_DECLARE_METATYPE(Candidate)

#endif
