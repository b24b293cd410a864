#pragma once
// The busy cursor: Qt's override-cursor stack is the process-wide stack of
// saved cursors, so pairs nest.
namespace bq {

void BusyCursorOn();
void BusyCursorOff();

// Shows the busy cursor for its lifetime, so every way out restores it.
class TBusyCursor {
 public:
  TBusyCursor() { BusyCursorOn(); }
  ~TBusyCursor() { BusyCursorOff(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace bq
