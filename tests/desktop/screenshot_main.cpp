// Under a real X server (xvfb-run): opens the Inventory sample, runs it,
// expands the project tree and saves PNGs of the main window and of the
// explorer into the folder given as the first argument. Fails when the window
// was never exposed or an image is blank.
#include "ScreenshotSupport.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlPrompts.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>

namespace {

// Distinct colours of an image, sampled on a grid.
int Colours(const QImage& Image)
{
    QSet<QRgb> Seen;
    for (int Y = 0; Y < Image.height(); Y += 3)
        for (int X = 0; X < Image.width(); X += 3)
            Seen.insert(Image.pixel(X, Y));
    return int(Seen.size());
}

bool Save(QWidget* Widget, const QString& File, int MinColours)
{
    const QImage Image = Widget->grab().toImage();
    const int N = Colours(Image);
    std::printf("%s: %dx%d, %d colours\n", qPrintable(File), Image.width(), Image.height(), N);
    return Image.save(File) && !Image.isNull() && N >= MinColours;
}

}  // namespace

int main(int argc, char** argv)
{
    const TScreenshotProgram Program(argc, argv);
    const QString& Out = Program.Out;
    if (Out.isEmpty())
        return 2;

    TTestFolder Folder;
    const std::string Project = WriteSampleProject(Folder);
    int Result = 0;
    {
        auto* Form = new TMainForm({QString::fromStdString(Project)}, QString::fromStdString(Folder.Path()));
        Form->show();
        if (!QTest::qWaitForWindowExposed(Form, 10000)) {
            std::fprintf(stderr, "the main window was never exposed\n");
            Result = 1;
        } else {
            Form->Run();
            Form->tvProjectTree->expandAll();
            Form->ShowCode(std::string(QUILLET_SOURCE_DIR) + "/samples/Inventory/Src/StockStore.pas", 3, 10);
            QTest::qWait(300);
            if (!Save(Form, Out + "/mainwindow.png", 8) || !Save(Form->pnlTopLeft, Out + "/explorer.png", 2)) {
                std::fprintf(stderr, "an image is blank\n");
                Result = 1;
            }
        }
        Form->Shutdown();
        delete Form;
    }
    return Result;
}
