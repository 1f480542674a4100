// frameview: shows each picture file given in a viewer frame of its own, all in one window and
// linked in one sync group, so the frame can be tried by hand.
//
//   frameview [--report] IMAGE...
//
// With --report the program reads commands from standard input, one a line, and answers on
// standard output; scripts drive it this way under a real X server:
//   state   one line per frame:
//           "frame N scale=S centre=X,Y paintbox=GX,GY,W,H screen=R,G,B"
//           (the paint box in global screen pixels, and the colour the screen shows at its
//           centre, read back from the display)
//   quit    closes the window
// It prints "ready" once every frame has painted its picture.

#include "FrameBmpPanel.h"
#include "FrameBmp_.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextStream>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr QSize kFrameSize(560, 480);

void Print(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Counts first paints: the report says "ready" when every frame has shown its picture.
class TPaintWatch {
public:
    explicit TPaintWatch(int frames) : FWaiting(frames) {}
    bool Report = false;

    void Painted(TFrameBmp* frame, QPainter*)
    {
        if (frame->property("painted").toBool())
            return;
        frame->setProperty("painted", true);
        if (--FWaiting == 0 && Report)
            Print(QStringLiteral("ready"));
    }

private:
    int FWaiting;
};

QString StateLine(int index, TFrameBmp& frame)
{
    const QRect box(frame.PaintBoxMain->mapToGlobal(QPoint(0, 0)), frame.PaintBoxMain->size());
    const QPoint centre = box.topLeft() + QPoint(box.width() / 2, box.height() / 2);
    QRgb shown = 0;
    if (QScreen* screen = frame.screen()) {
        const QImage pixel = screen->grabWindow(0, centre.x(), centre.y(), 1, 1).toImage();
        if (!pixel.isNull())
            shown = pixel.pixel(0, 0);
    }
    return QStringLiteral("frame %1 scale=%2 centre=%3,%4 paintbox=%5,%6,%7,%8 screen=%9,%10,%11")
        .arg(index)
        .arg(frame.Scale)
        .arg(frame.CenterX)
        .arg(frame.CenterY)
        .arg(box.x())
        .arg(box.y())
        .arg(box.width())
        .arg(box.height())
        .arg(qRed(shown))
        .arg(qGreen(shown))
        .arg(qBlue(shown));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("frameview"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows picture files in linked viewer frames."));
    parser.addHelpOption();
    const QCommandLineOption reportOption(QStringLiteral("report"),
                                          QStringLiteral("Answer 'state' and 'quit' commands on standard input."));
    parser.addOption(reportOption);
    parser.addPositionalArgument(QStringLiteral("IMAGE"), QStringLiteral("Picture files to show."),
                                 QStringLiteral("IMAGE..."));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        std::fputs("usage: frameview [--report] IMAGE...\n", stderr);
        return kExitUsage;
    }

    std::vector<QImage> pictures;
    for (const QString& file : files) {
        QImage picture(file);
        if (picture.isNull()) {
            std::fprintf(stderr, "frameview: cannot read the picture %s\n", file.toLocal8Bit().constData());
            return kExitFailed;
        }
        pictures.push_back(picture.convertToFormat(QImage::Format_RGB32));
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("frameview"));
    auto* row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    std::vector<TFrameBmp*> frames;
    TPaintWatch watch(static_cast<int>(pictures.size()));
    watch.Report = parser.isSet(reportOption);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        auto* frame = new TFrameBmp(&window);
        frame->setObjectName(QStringLiteral("FrameBmp%1").arg(i + 1));
        frame->setMinimumSize(kFrameSize);
        frame->OnDrawCanvas = TFrameDrawCanvas::Of<&TPaintWatch::Painted>(&watch);
        row->addWidget(frame);
        frames.push_back(frame);
    }
    // The first frame listens for the whole group.
    for (TFrameBmp* frame : frames)
        frames.front()->AddSync(frame);

    window.show();
    QCoreApplication::processEvents();
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i]->Load(&pictures[i], true, true);

    std::unique_ptr<QSocketNotifier> commands;
    QFile input;
    if (watch.Report) {
        // Unbuffered: a line left in a buffer would wait for the next notification.
        input.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered);
        commands = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(commands.get(), &QSocketNotifier::activated, &app, [&] {
            const QByteArray raw = input.readLine();
            if (raw.isEmpty()) {
                commands->setEnabled(false);  // the script closed its end
                return;
            }
            const QByteArray line = raw.trimmed();
            if (line == "state") {
                for (std::size_t i = 0; i < frames.size(); ++i)
                    Print(StateLine(static_cast<int>(i), *frames[i]));
            } else if (line == "quit") {
                window.close();
            } else if (!line.isEmpty()) {
                Print(QStringLiteral("error unknown command %1").arg(QString::fromUtf8(line)));
            }
        });
    }
    return QApplication::exec() == 0 ? kExitOk : kExitFailed;
}
