#pragma once
// digPath: the score folder or the score server, asked for by the set-up
// screen. A folder is taken when it exists; a server when a TCP connection
// to it on the score port can be made (nothing is sent), tried once a
// second for ten seconds with a growing line of ">".
#include <QString>
#include <cstdint>
#include <memory>

#include "platform/gui/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace plat {
class FormTimer;
class TcpClient;
}  // namespace plat

namespace setup {

class digPath : public plat::Form {
 public:
  digPath();
  ~digPath() override;

  // Set by the caller: 1 a folder, any other value a server.
  std::int16_t chkPathOrServer = 1;
  // -1 when an entry was confirmed; 0 after load and Cancel.
  std::int16_t chkSure = 0;
  // The connection test: 0 started, 2 retrying, 1 connected, 3 given up.
  std::int16_t LinkStatus = 0;

  QLineEdit* Text1;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QLabel* lblMessage;
  QLabel* Label1;
  plat::FormTimer* Timer1;

  void OKButton_Click();
  void CancelButton_Click();
  // The confirm step without the user (as a click on OK).
  void Auto() { OKButton_Click(); }
  bool chkPath();
  // Starts the connection test; the outcome arrives on the event loop.
  void CrsDeliver();
  void Timer1_Timer();
  void Winsock1_Connect();
  void Winsock1_Close();
  bool Testing() const { return testing_; }
  plat::TcpClient* Winsock1() const { return socket_.get(); }

 protected:
  void Form_Load() override;
  void Form_Activate() override;

 private:
  void Confirm();
  void EnsureSocket();
  void Connect();
  void CloseSocket();

  std::unique_ptr<plat::TcpClient> socket_;
  std::int16_t ticks_ = 0;
  bool connected_ = false;
  bool testing_ = false;
};

}  // namespace setup
