#include "core/swf/swf_actions.h"

#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

// The root timeline of a block run on a machine of its own: its variables live in the host.
class HostVariables final : public Object {
 public:
  explicit HostVariables(ActionHost& host) : Object(ObjectKind::kClip), host_(host) {}
  bool GetSpecial(Vm&, std::u16string_view name, Value& out) override {
    out = host_.GetVariable(name);
    return !out.IsUndefined();
  }
  bool SetSpecial(Vm&, std::u16string_view name, const Value& value) override {
    host_.SetVariable(name, value);
    return true;
  }

 private:
  ActionHost& host_;
};

}  // namespace

ActionRunResult RunActions(std::span<const uint8_t> block, uint8_t version, ActionHost& host, size_t maxSteps) {
  auto* root = new HostVariables(host);
  Vm vm(version, host, root);
  vm.heap().Adopt(root);
  return vm.RunBlock(block, vm.root(), maxSteps);
}

}  // namespace zp::swf
