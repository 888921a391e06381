#include "core/settings/conversion_settings.h"

#include "core/settings/product_info.h"

namespace leafwright {

std::string ConversionSettings::startUpProducer() {
    return std::string(product::kName) + " by " + product::kMakerWebAddress + " ";
}

}  // namespace leafwright
