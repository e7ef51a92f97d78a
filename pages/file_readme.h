#pragma once
// The additional software page: offers to start the BDE setup program from the medium, without
// waiting for it. There is no way back from this page.
#include <string>

#include "pages/page.h"

namespace setup { class TSetup; }

namespace pages {

class TfmFileReadme : public Page {
 public:
  explicit TfmFileReadme(setup::TSetup& model);

  // "Установить": starts the BDE setup program in its own folder, without waiting; a start that
  // fails shows nothing (true when it started). Pressing it again starts another one.
  bool Button2Click();
  // True once "Установить" has started the BDE setup program.
  bool BDEStarted() const { return bdeStarted_; }
  // The BDE text turns bold under the mouse, and plain again over the frame or the window.
  void Label3MouseMove();
  void GroupBox1MouseMove();

  ControlState Label1{
      L"Для работы программы Вам необходимо установить\r\nдополнительное программное обеспечение"};
  ControlState Label3{
      L"Библиотека BDE необходима для работы программы\r\nЕсли у Вас библиотека BDE уже "
      L"установлена, то \r\nВы можете не устанавливать эту программу."};
  ControlState Button2{L"Установить"};
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};

 private:
  setup::TSetup& model_;
  bool bdeStarted_ = false;
};

}  // namespace pages
