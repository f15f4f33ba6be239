// The print preview's decoder, listing and renderer on arbitrary bytes. Besides the
// sanitizers' findings it checks what the decoder promises: every byte belongs to exactly one
// event, in order, and a stream split anywhere decodes to the same events.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <vector>

#include "preview/decoder.h"
#include "preview/listing.h"
#include "preview/renderer.h"

namespace {

using trevalune::preview::Decoder;
using trevalune::preview::Event;

void require(bool condition) {
    if (!condition) std::abort();
}

bool same(const Event& a, const Event& b) {
    return a.kind == b.kind && a.offset == b.offset && a.raw == b.raw && a.message == b.message &&
           a.count == b.count && a.value == b.value && a.trailer == b.trailer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::vector<Event> events;
    std::ostringstream listingText;
    {
        trevalune::preview::Listing listing(listingText);
        trevalune::preview::RenderOptions options;
        options.maxPageRows = 512;  // keeps each input's pages small
        trevalune::preview::Renderer renderer(options, [](const auto&) {});
        Decoder decoder([&](const Event& e) {
            events.push_back(e);
            listing.add(e);
            renderer.apply(e);
        });
        decoder.feed(input);
        decoder.finish();
        renderer.finish();
    }

    std::size_t next = 0;
    for (const Event& e : events) {
        require(e.offset == next && !e.raw.empty());
        require(input.substr(e.offset, e.raw.size()) == e.raw);
        next += e.raw.size();
    }
    require(next == size);

    // The same stream in two pieces, as two documents would bring it.
    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
    std::vector<Event> again;
    Decoder decoder([&](const Event& e) { again.push_back(e); });
    decoder.feed(input.substr(0, split));
    decoder.feed(input.substr(split));
    decoder.finish();
    require(again.size() == events.size());
    for (std::size_t i = 0; i < events.size(); ++i) require(same(events[i], again[i]));
    return 0;
}
