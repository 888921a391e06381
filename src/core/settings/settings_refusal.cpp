#include "core/settings/settings_refusal.h"

#include "core/settings/line_capacity.h"

namespace leafwright {

const char* settingsRefusal(const ConversionSettings& settings) {
    if (settings.chosen.selfAdaptation == 1) return nullptr;
    return lineCapacity(settings) <= 0 ? kNoLineFitsText : nullptr;
}

}  // namespace leafwright
