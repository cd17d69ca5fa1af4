#pragma once
// The order in which the transfer methods are tried: a text of pairs, each a
// method letter and a digit, the number of tries ("C2A2B3": TCP twice, then
// FTP twice, then HTTP three times). The state survives between transfers;
// the window resets it when it starts an automatic fetch.
#include <QString>
#include <QStringView>

namespace net {

enum class Method { Ftp = 1, Http = 2, Tcp = 3 };

struct MethodStep {
  QString logLine;       // "C>1" etc.; empty for an unknown letter
  bool wrapped = false;  // the last try of the last pair: no automatic work left
};

class MethodOrder {
 public:
  void Reset() { pair_ = 1, try_ = 1, current_ = Method::Ftp; }
  // Chooses the method of the next attempt and moves the state on.
  MethodStep Revolve(QStringView order);

  Method Current() const { return current_; }
  int Pair() const { return pair_; }
  int Try() const { return try_; }

 private:
  int pair_ = 1;
  int try_ = 1;
  Method current_ = Method::Ftp;
};

}  // namespace net
