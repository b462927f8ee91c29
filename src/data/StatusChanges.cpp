#include "data/StatusChanges.h"

#include "data/StatusText.h"

namespace kvt {

std::vector<StatusChange> statusChanges(const StatusInfo& before, const StatusInfo& after) {
    std::vector<StatusChange> changes;
    for (const StatusCondition& c : statusConditions()) {
        if (before.*c.field != after.*c.field) {
            changes.push_back({c.captionId, false, after.*c.field});
        }
    }
    for (const StatusLed& l : statusLeds()) {
        if (before.*l.field != after.*l.field) {
            changes.push_back({l.captionId, true, after.*l.field});
        }
    }
    return changes;
}

std::string statusChangeText(const StatusChange& change, Strings& strings) {
    std::string word = std::to_string(change.value);
    if (change.led) {
        if (const auto state = ledStateOf(change.value)) {
            word = ledStateName(*state);
        }
    } else {
        for (const StatusCondition& c : statusConditions()) {
            if (c.captionId == change.captionId) {
                if (const auto id = conditionTextId(c, change.value)) {
                    word = strings.text(*id);
                }
            }
        }
    }
    return strings.text(change.captionId) + " " + word;
}

}  // namespace kvt
