#include "DefectDetection.h"

#include "DefectFinder.h"

namespace {

QString SizeText(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

} // namespace

bool DefectDetection::Run(const DetectionInput &input, const DetectionSettings &settings, std::vector<Candidate> *out)
{
    error.clear();
    runSize = QSize();
    done = 0;
    total = int(input.darkFiles.size() + input.flatFiles.size()) + 1;
    if (input.darkFiles.isEmpty() && input.flatFiles.isEmpty())
        return Fail(QStringLiteral("No frames given: expected dark frames, flat frames or both."));
    reader.SetRawSize(input.rawSize);
    SetSummary darks, flats;
    if (!ReadSet(input.darkFiles, QStringLiteral("dark"), input, &darks)
        || !ReadSet(input.flatFiles, QStringLiteral("flat"), input, &flats))
        return false;
    DefectFinder finder(settings, input.layout);
    finder.SetCancelFlag(cancel);
    if (!finder.Find(darks.frameCount ? &darks : nullptr, flats.frameCount ? &flats : nullptr, out))
        return Fail(QStringLiteral("Cancelled."));
    Advance();
    return true;
}

bool DefectDetection::ReadSet(const QStringList &files, const QString &setName, const DetectionInput &input,
                              SetSummary *out)
{
    FrameStatistics statistics;
    setDepth = 0;
    for (const QString &fileName : files) {
        const auto sink = [&](const Frame &frame) { return TakeFrame(frame, fileName, setName, input, &statistics); };
        if (!reader.ReadFile(fileName, sink))
            return error.isEmpty() ? Fail(reader.ErrorString()) : false;
        Advance();
    }
    *out = statistics.Summary();
    return true;
}

bool DefectDetection::TakeFrame(const Frame &frame, const QString &fileName, const QString &setName,
                                const DetectionInput &input, FrameStatistics *statistics)
{
    if (Cancelled())
        return Fail(QStringLiteral("Cancelled."));
    if (!FitsRun(frame, fileName, input))
        return false;
    if (setDepth && frame.bitDepth != setDepth)
        return Fail(QStringLiteral("%1: a %2-bit frame in a %3 set of %4-bit frames.")
                        .arg(fileName).arg(frame.bitDepth).arg(setName).arg(setDepth));
    if (statistics->FrameCount() == FrameStatistics::MaxFrames)
        return Fail(QStringLiteral("%1: more than %2 frames in the %3 set.").arg(fileName).arg(FrameStatistics::MaxFrames).arg(setName));
    setDepth = frame.bitDepth;
    statistics->Add(frame);
    return true;
}

bool DefectDetection::FitsRun(const Frame &frame, const QString &fileName, const DetectionInput &input)
{
    const QSize size(frame.width, frame.height);
    if (input.sensorSize.isValid() && size != input.sensorSize)
        return Fail(QStringLiteral("%1: the frame is %2, expected %3 as the sensor.")
                        .arg(fileName, SizeText(size), SizeText(input.sensorSize)));
    if (runSize.isValid() && size != runSize)
        return Fail(QStringLiteral("%1: the frame is %2, expected %3 as the frames before it.")
                        .arg(fileName, SizeText(size), SizeText(runSize)));
    runSize = size;
    return true;
}

void DefectDetection::Advance()
{
    ++done;
    if (progress)
        progress(done, total);
}

bool DefectDetection::Fail(const QString &text)
{
    error = text;
    return false;
}
