#include "settings/conversion_settings.h"

#include "settings/product_info.h"

namespace leafwright {

std::string ConversionSettings::startUpProducer() {
    return std::string(product::kName) + " by " + product::kMakerWebAddress + " ";
}

}  // namespace leafwright
