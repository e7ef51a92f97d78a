#pragma once
// The additional software page: offers to start the BDE setup program from the medium.
#include "pages/page.h"

namespace pages {

class TfmFileReadme : public Page {
 public:
  TfmFileReadme();

  ControlState Label1{
      L"Для работы программы Вам необходимо установить\r\nдополнительное программное обеспечение"};
  ControlState Label3{
      L"Библиотека BDE необходима для работы программы\r\nЕсли у Вас библиотека BDE уже "
      L"установлена, то \r\nВы можете не устанавливать эту программу."};
  ControlState Button2{L"Установить"};
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};
};

}  // namespace pages
