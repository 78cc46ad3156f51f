// The one-line wording of a port that could not be opened; the log never
// carries it, stderr (in English) and the search page (in the user's language) do.
#include "serial/PortFailureText.h"

#include "wizard/Texts.h"

namespace nubo {

std::string DescribePortFailure(const std::string& port, const PortFailure& failure,
                                const std::string& language) {
    // The catalog's texts, by the same ids in every language; %1 and %2 are
    // the details the platform could tell.
    enum : int {
        kOpened = 9200,
        kMissing,
        kNoPermission,
        kNoPermissionJoinGroup,
        kBusy,
        kBusyBy,
        kBusyByPid,
        kOther,
    };
    auto text = [&](int id, const std::string& first = {}, const std::string& second = {}) {
        std::string t = texts::Text(language, id);
        // %2 first: a program's name may hold "%2" itself, never a number "%1".
        if (const auto at = t.find("%2"); at != std::string::npos) t.replace(at, 2, second);
        if (const auto at = t.find("%1"); at != std::string::npos) t.replace(at, 2, first);
        return t;
    };
    std::string why;
    switch (failure.kind) {
        case PortFailureKind::None:
            why = text(kOpened);
            break;
        case PortFailureKind::Missing:
            why = text(kMissing);
            break;
        case PortFailureKind::NoPermission:
            why = failure.group.empty() ? text(kNoPermission)
                                        : text(kNoPermissionJoinGroup, failure.group);
            break;
        case PortFailureKind::Busy:
            why = failure.holder.empty() ? text(kBusy)
                  : failure.holderPid > 0
                      ? text(kBusyByPid, failure.holder, std::to_string(failure.holderPid))
                      : text(kBusyBy, failure.holder);
            break;
        case PortFailureKind::Other:
            why = text(kOther, std::to_string(failure.error));
            break;
    }
    return port + ": " + why;
}

}  // namespace nubo
