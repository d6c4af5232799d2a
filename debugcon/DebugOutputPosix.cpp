#include "debugcon/ArkDbgCon.h"
#include "debugcon/DebugOutput.h"

namespace vela {
namespace {

class TSocketDebugOutput : public TDebugOutput {
 public:
  bool Send(const std::string& text) override { return output_.Send(text); }
  int InstanceIndex() const override { return output_.InstanceIndex(); }
  std::string EndpointPath() const override { return output_.SocketPath(); }

 private:
  TArkDebugOutput output_;
};

}  // namespace

std::unique_ptr<TDebugOutput> OpenDebugOutput() {
  return std::make_unique<TSocketDebugOutput>();
}

}  // namespace vela
