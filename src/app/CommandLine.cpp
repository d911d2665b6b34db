#include "app/CommandLine.h"

#include <cstdio>

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

CommandLine::Action CommandLine::handle(const QStringList& arguments) {
    const QStringList options = arguments.mid(1);
    if (options.isEmpty())
        return Action::run;
    const QString& option = options.first();
    if (options.size() == 1 &&
        (option == QLatin1String("--help") || option == QLatin1String("-h"))) {
        print(stdout, QStringLiteral(
                          "Usage: velmora [OPTION]\n"
                          "Keep chosen applications usable only while their external drive is "
                          "connected.\n"
                          "Velmora runs in the system tray; its settings are in its tray menu.\n\n"
                          "  -p, --panic    dismiss every lock card of the running Velmora and "
                          "exit\n"
                          "                 (for a shortcut in the desktop's keyboard settings)\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n"));
        return Action::exitSuccess;
    }
    if (options.size() == 1 &&
        (option == QLatin1String("--version") || option == QLatin1String("-v"))) {
        print(stdout, QStringLiteral("velmora " VELMORA_VERSION "\n"));
        return Action::exitSuccess;
    }
    if (options.size() == 1 &&
        (option == QLatin1String("--panic") || option == QLatin1String("-p")))
        return Action::panic;
    print(stderr, QStringLiteral("velmora: unrecognized option '%1'\n"
                                 "Try 'velmora --help' for more information.\n")
                      .arg(option));
    return Action::exitFailure;
}
