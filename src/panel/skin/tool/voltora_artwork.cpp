// voltora-artwork: writes the front panel's images as PNG files, and
// optionally a picture of the whole panel as the program draws it.
//
//   voltora-artwork --out DIR [--preview FILE] [--sample-softkeys]

#include "panel/skin/SkinArtwork.h"
#include "panel/skin/SkinControl.h"
#include "panel/skin/SkinWindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QStringList>

#include <cstdio>

namespace {

using voltora::panel::SkinArtwork;
using voltora::panel::SkinControl;
using voltora::panel::SkinWindow;

void PrintUsage()
{
    std::fprintf(stderr,
                 "usage: voltora-artwork [--out DIR] [--preview FILE] [--sample-softkeys]\n"
                 "  --out DIR           write every panel image into DIR as PNG\n"
                 "  --preview FILE      write a picture of the whole front panel\n"
                 "  --sample-softkeys   fill the soft keys with example texts in the preview\n");
}

bool WriteImages(const QString& directory)
{
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "voltora-artwork: cannot create %s\n", qPrintable(directory));
        return false;
    }
    for (const QString& name : SkinArtwork::ImageNames()) {
        const QString path = QDir(directory).filePath(name);
        if (!SkinArtwork::Draw(name).save(path, "PNG")) {
            std::fprintf(stderr, "voltora-artwork: cannot write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return true;
}

// Example soft-key texts, as a measurement function would show them, with
// the display as it looks after its first refresh (no temperature strip, no
// entry popup).
void FillSampleSoftKeys(SkinWindow& window)
{
    for (const char* hidden : {"ContainerTempMeasVal", "TinyMenu"}) {
        if (SkinControl* control = window.FindControl(hidden)) {
            control->SetVisible(false);
        }
    }
    struct SoftKey {
        const char* caption;
        const char* name;
        const char* value;
        const char* left;
        const char* right;
        bool highlighted;
    };
    const SoftKey keys[] = {
        {"", "Range", "2k\u2126", "", "", false},
        {"", "Speed", "", "Slow", "Fast", false},
        {"", "Input Z", "10M", "", "", true},
        {"Math", "", "", "", "", false},
        {"", "Rel", "", "On", "Off", false},
        {"Trig", "", "", "", "", false},
    };
    constexpr std::uint32_t kPlain = 0x00FFFFFF;
    constexpr std::uint32_t kMarked = 0x00E1FE01;
    for (int n = 1; n <= 6; ++n) {
        const SoftKey& key = keys[n - 1];
        const QString prefix = QStringLiteral("F%1").arg(n);
        if (SkinControl* area = window.FindControl("Container" + prefix)) {
            area->SetText(key.caption);
            area->SetBackgroundColor(key.highlighted ? 0xFF1737D5 : 0xFF808080);
        }
        const struct {
            const char* suffix;
            const char* text;
            std::uint32_t color;
        } labels[] = {{"Name", key.name, kPlain},
                      {"Value", key.value, kMarked},
                      {"Value1", key.left, kMarked},
                      {"Value2", key.right, kPlain}};
        for (const auto& label : labels) {
            if (SkinControl* control = window.FindControl("Label" + prefix + label.suffix)) {
                control->SetText(label.text);
                control->SetTextColor(label.color);
            }
        }
    }
}

bool WritePreview(const QString& path, bool sampleSoftKeys)
{
    SkinWindow window;
    if (!window.LoadSkin()) {
        std::fprintf(stderr, "voltora-artwork: %s\n", qPrintable(window.LastError()));
        return false;
    }
    window.SetRoundedCorners(15);
    if (sampleSoftKeys) {
        FillSampleSoftKeys(window);
    }
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "voltora-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Drawing needs no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);

    QString outDirectory;
    QString previewPath;
    bool sampleSoftKeys = false;
    const QStringList arguments = QApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--out" && i + 1 < arguments.size()) {
            outDirectory = arguments[++i];
        } else if (argument == "--preview" && i + 1 < arguments.size()) {
            previewPath = arguments[++i];
        } else if (argument == "--sample-softkeys") {
            sampleSoftKeys = true;
        } else {
            PrintUsage();
            return 2;
        }
    }
    if (outDirectory.isEmpty() && previewPath.isEmpty()) {
        PrintUsage();
        return 2;
    }
    if (!outDirectory.isEmpty() && !WriteImages(outDirectory)) {
        return 1;
    }
    if (!previewPath.isEmpty() && !WritePreview(previewPath, sampleSoftKeys)) {
        return 1;
    }
    return 0;
}
