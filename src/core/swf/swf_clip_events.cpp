#include "core/swf/swf_clip_events.h"

#include "core/swf/swf_bits.h"

namespace zp::swf {

std::vector<ClipEventHandler> ReadClipEventHandlers(std::span<const uint8_t> bytes, uint8_t version) {
  std::vector<ClipEventHandler> handlers;
  BitReader reader(bytes);
  const bool wide = version >= 6;
  reader.U16();                              // reserved
  if (wide) reader.U32(); else reader.U16();  // every event any record handles
  while (reader.ok() && reader.remaining() > 0) {
    ClipEventHandler handler;
    handler.events = wide ? reader.U32() : reader.U16();
    if (!reader.ok() || handler.events == 0) break;
    const uint32_t size = reader.U32();
    if (!reader.ok() || size > reader.remaining()) break;
    std::span<const uint8_t> body = reader.Bytes(size);
    if ((handler.events & kEventKeyPress) && !body.empty()) {
      handler.keyCode = body[0];
      body = body.subspan(1);
    }
    handler.actions = body;
    handlers.push_back(handler);
  }
  return handlers;
}

std::u16string_view ClipEventMethod(ClipEvent event) {
  switch (event) {
    case kEventLoad: return u"onLoad";
    case kEventEnterFrame: return u"onEnterFrame";
    case kEventUnload: return u"onUnload";
    case kEventMouseMove: return u"onMouseMove";
    case kEventMouseDown: return u"onMouseDown";
    case kEventMouseUp: return u"onMouseUp";
    case kEventKeyDown: return u"onKeyDown";
    case kEventKeyUp: return u"onKeyUp";
    case kEventData: return u"onData";
    case kEventPress: return u"onPress";
    case kEventRelease: return u"onRelease";
    case kEventReleaseOutside: return u"onReleaseOutside";
    case kEventRollOver: return u"onRollOver";
    case kEventRollOut: return u"onRollOut";
    case kEventDragOver: return u"onDragOver";
    case kEventDragOut: return u"onDragOut";
    default: return {};
  }
}

}  // namespace zp::swf
