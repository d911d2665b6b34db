#pragma once

// `velmora --panic`: asks the copy running in this session, over the session bus, to dismiss
// every lock card, so a desktop without a global key for Velmora can still bind one to this.
class PanicCommand {
public:
    // The exit status: 0 when the running copy took the request, 1 otherwise (said on stderr).
    // Needs a QCoreApplication; blocks for at most a few seconds.
    static int run();
};
