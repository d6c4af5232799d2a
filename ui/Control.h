#pragma once
// The base of the toolkit-neutral controls. The program's logic sets and reads
// them; a toolkit front end binds a widget to each control and follows its
// changes through OnChanged. Tests read the controls and "click" them directly.

#include <functional>
#include <string>
#include <vector>

namespace vela {

// A list of change handlers; each runs after a property of its control changed.
template <typename Sender>
class TChangeNotifier {
 public:
  using Handler = std::function<void(Sender&)>;
  // Returns an id for Remove.
  int Add(Handler handler) {
    handlers_.push_back({++lastId_, std::move(handler)});
    return lastId_;
  }
  void Remove(int id) {
    std::erase_if(handlers_, [id](const Entry& e) { return e.id == id; });
  }
  void Notify(Sender& sender) const {
    const std::vector<Entry> copy = handlers_;  // a handler may add or remove
    for (const Entry& e : copy) e.handler(sender);
  }

 private:
  struct Entry {
    int id;
    Handler handler;
  };
  std::vector<Entry> handlers_;
  int lastId_ = 0;
};

class TControl {
 public:
  explicit TControl(std::string name = {}) : name_(std::move(name)) {}
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl() = default;

  const std::string& Name() const { return name_; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { Assign(enabled_, value); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Assign(visible_, value); }
  int Left() const { return left_; }
  void SetLeft(int value) { Assign(left_, value); }
  int Top() const { return top_; }
  void SetTop(int value) { Assign(top_, value); }
  int Width() const { return width_; }
  void SetWidth(int value) { Assign(width_, value); }
  int Height() const { return height_; }
  void SetHeight(int value) { Assign(height_, value); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { Assign(hint_, value); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { Assign(caption_, value); }

  TChangeNotifier<TControl> OnChanged;

 protected:
  template <typename T>
  void Assign(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed() { OnChanged.Notify(*this); }

 private:
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string hint_;
  std::string caption_;
};

}  // namespace vela
