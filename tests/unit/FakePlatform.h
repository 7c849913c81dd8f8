// Records every call the core makes on the platform, in order, as text lines
// in the same words nimbrel-cli prints them.
#pragma once

#include <string>
#include <vector>

#include "core/Platform.h"

namespace nimbrel {

class FakePlatform : public Platform {
 public:
  void Beep() override { events.push_back("beep"); }
  void BeepExclamation() override { events.push_back("beep exclamation"); }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    events.push_back("message " + caption + ": " + text);
  }
  void ReportMathError(const std::string& text) override { events.push_back("matherr " + text); }

  // The events so far, then forget them.
  std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(events);
    return out;
  }

  std::vector<std::string> events;
};

}  // namespace nimbrel
