#include "core/vistrel.hpp"

#include <vector>

#include "core/fonts.hpp"
#include "core/sdk_configuration.hpp"
#include "core/vistrel_pref.hpp"
#include "platform/foundation/random.hpp"

namespace vistrel {

void Vistrel::setApiKey(const std::string& apiKey) {
    VistrelPref::setApiKey(apiKey);

    // Any stored text, even an empty one, means the first run has been done.
    if (!VistrelPref::getApplicationInstanceId()) {
        VistrelPref::setUseBlackAndWhite(true);
        VistrelPref::setApplicationInstanceId(platform::makeUuidString());
    }

    const auto& configuration = SdkConfiguration::shared();
    std::vector<std::string> fonts;
    for (ConfigurationKey key : {ConfigurationKey::iconFontFileName, ConfigurationKey::fontSFProTextHeavy,
                                 ConfigurationKey::fontSFProTextMedium, ConfigurationKey::fontSFProTextRegular,
                                 ConfigurationKey::fontSFProTextHeavyItalic,
                                 ConfigurationKey::fontSFProTextMediumItalic,
                                 ConfigurationKey::fontSFProTextRegularItalic})
        fonts.push_back(configuration.valueForKey(key));
    registerFontsWithFilenames(fonts);
}

}  // namespace vistrel
