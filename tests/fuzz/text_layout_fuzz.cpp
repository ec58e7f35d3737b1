// Feeds arbitrary bytes to text layout as a hostile answer's name or text reaches it: the
// first bytes pick the width, the line limit, the line break mode, the font size and a
// range in another font and colour; the rest is the text, measured and then drawn.
// Nothing may crash, and the size measured is finite and not negative. The start of the
// text that a page would keep is taken too.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/image_context.hpp"
#include "vistrel/platform/graphics/text.hpp"
#include "vistrel/platform/graphics/unicode_text.hpp"

namespace {

using namespace platform::graphics;

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool configured = (useIsolatedFontConfiguration(), true);
    (void)configured;
    constexpr std::size_t kHeader = 7;
    if (size < kHeader) return 0;
    TextLayoutOptions options;
    if (data[0] >= 8) options.maxWidth = data[0] * 2.0;
    options.numberOfLines = data[1] % 4;
    options.lineBreakMode = static_cast<LineBreakMode>(data[2] % 6);
    auto& fonts = FontRegistry::shared();
    AttributedString text = makeAttributedString(std::string(reinterpret_cast<const char*>(data + kHeader), size - kHeader),
                                                 fonts.defaultFont(6 + data[3] % 60));
    // A range that may start or end inside a character, or past the text.
    text.addAttributes({fonts.defaultFont(4 + data[4] % 90), Color::red(), std::nullopt}, data[5], data[6]);

    // The start a page keeps of a long text: the whole text, or a start within the bounds.
    const std::size_t maxBytes = data[5];
    const std::size_t kept = boundedPrefixLength(text.text(), maxBytes, 1 + data[6] % 4);
    require(kept == text.text().size() || kept <= maxBytes);

    const Size measured = measureText(text, options);
    require(std::isfinite(measured.width) && std::isfinite(measured.height));
    require(measured.width >= 0 && measured.height >= 0);
    ImageContext context(Size{120, 80}, true, 1);
    context.canvas().drawText(text, Rect{4, 4, options.maxWidth.value_or(112), 72}, options);
    return 0;
}
