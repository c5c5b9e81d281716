// The drawing methods of MovieClip (beginFill, beginGradientFill, lineStyle, moveTo, lineTo,
// curveTo, endFill, clear) over the clip's ScriptDrawing.
#pragma once

namespace zp::swf {

class Vm;

void InstallClipDrawing(Vm& vm);

}  // namespace zp::swf
