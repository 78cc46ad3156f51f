// The Qt 6 front end: the application object, the headless rules and the sheet.
#include "frontend/qt/QtFrontEnd.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QSocketNotifier>
#include <QTranslator>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include "frontend/qt/TemplatePage.h"
#include "frontend/qt/WizardSheet.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

// Ctrl+C or a polite kill cancels the wizard like its Cancel button, so the
// log gets its cancel line and the run ends with the cancel code.
int signalPipe[2] = {-1, -1};

extern "C" void OnCancelSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
}

// Two notices that every run without a screen prints and that say nothing
// about the run; everything else the toolkit says reaches stderr.
void FilterToolkitNotices(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints")) ||
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) {
        return;
    }
    if (type == QtDebugMsg) return;
    std::cerr << message.toLocal8Bit().constData() << std::endl;
}

// The toolkit has the font library read every rule of the system's font
// set-up (some fifty XML files, a third of the start-up) before it measures
// the first text. A wizard that nobody sees needs the fonts and their caches
// only. Without this the system's set-up is read as usual.
void UseBareFontSetUp() {
    static const char kBare[] =
        "<fontconfig><dir>/usr/share/fonts</dir><dir>/usr/local/share/fonts</dir>"
        "<dir prefix=\"xdg\">fonts</dir><cachedir>/var/cache/fontconfig</cachedir>"
        "<cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";
    FcConfig* config = FcConfigCreate();
    if (!config) return;
    if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kBare), FcTrue) &&
        FcConfigBuildFonts(config)) {
        FcConfigSetCurrent(config);  // takes a reference of its own
    }
    FcConfigDestroy(config);
}

class QtFrontEnd : public FrontEnd {
public:
    QtFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    bool Prepare(bool interactive) override {
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        const bool chosen = platform && *platform;
        if (!HasDisplay() && !chosen) {
            if (interactive) {
                std::cerr << "nubotest: no display for the wizard (neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set); give command-line options for an "
                             "unattended run\n";
                return false;
            }
            // An unattended run needs no screen: the wizard runs unseen.
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            unseen_ = true;
            UseBareFontSetUp();
        }
        if (!app_) {
            qInstallMessageHandler(FilterToolkitNotices);
            InstallFontSubstitutes();
            app_ = std::make_unique<QApplication>(argc_, argv_);
            LoadToolkitTranslation();
            CatchCancelSignals();
        }
        return true;
    }

    bool RunSheet(const std::vector<WizardPage*>& pages, RunSettings& settings,
                  const std::string& helpFile) override {
        // Low colour: a display of exactly 4 bits per pixel.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const bool lowColour = screen && screen->depth() == 4;
        WizardSheet sheet(pages, settings.newStyleWizard, lowColour, helpFile);
        // Nobody can look at it: spare the painting of every page.
        if (unseen_) sheet.setUpdatesEnabled(false);
        sheet_ = &sheet;
        const bool cancelled = sheet.RunModal();
        sheet_ = nullptr;
        return cancelled;
    }

private:
    // The toolkit's own texts (message box buttons, help pop-ups) in the
    // language of the catalogs, where the system has them.
    void LoadToolkitTranslation() {
        const std::string lang = texts::SelectedLanguage();
        if (lang == "en-US") return;
        QString name = QString::fromStdString(lang);
        name.replace(QLatin1Char('-'), QLatin1Char('_'));
        translator_ = std::make_unique<QTranslator>();
        if (translator_->load(QLocale(name), QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator_.get());
        }
    }

    void CatchCancelSignals() {
        if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char buf[16];
            while (read(signalPipe[0], buf, sizeof buf) > 0) {
            }
            if (sheet_) sheet_->reject();
        });
        struct sigaction action {};
        action.sa_handler = OnCancelSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }

    bool unseen_ = false;
    WizardSheet* sheet_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTranslator> translator_;
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> app_;
};

}  // namespace

std::unique_ptr<FrontEnd> CreateQtFrontEnd(int& argc, char** argv) {
    return std::make_unique<QtFrontEnd>(argc, argv);
}

}  // namespace nubo
