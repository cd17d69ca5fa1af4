#pragma once
// 音量測試, the volume test: plays a sample voice over and over so the
// candidate can set the loudness, and opens the desktop's volume mixer.
#include <QString>
#include <array>

#include "platform/gui/form.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace plat {
class AudioDevice;
class MciTransportBar;
}  // namespace plat

namespace run {

class 音量測試 : public plat::Form {
 public:
  音量測試();

  std::array<QRadioButton*, 2> Option1{};  // 1 female voice, 0 male voice
  QPushButton* Command2;  // volume mixer
  QPushButton* Command4;  // close
  QLabel* Label1;
  QLabel* lblNoSample;  // says why nothing plays: the chosen voice has no sample
  plat::MciTransportBar* MMControl1;
  plat::AudioDevice* Mci;

  QString VoiceFileFemale;
  QString VoiceFileMale;

  void Option1_Click(int index);
  void MMControl1_Done();
  void MMControl1_StatusUpdate();
  void Command2_Click();
  void Command4_Click();
  void AutoGetFileName();
  // Shows lblNoSample while the chosen voice has no sample file.
  void ShowSampleState();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload(int& cancel) override;
};

}  // namespace run
