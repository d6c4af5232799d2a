#include "common/ArkSysUtils.h"
#include "common/SafeFile.h"

namespace vela {

std::string FileStatusText(const TFileStatus& status) {
  switch (status.fault) {
    case TFileFault::None:
      return {};
    case TFileFault::System:
      return SystemErrorText(status.error);
    case TFileFault::ForeignLink:
      return "на этом месте символическая ссылка другого пользователя, по ней программа не пишет";
    case TFileFault::OwnLink:
      return "на этом месте символическая ссылка; укажите сам файл, а не ссылку на него";
    case TFileFault::NotRegular:
      return "это не обычный файл (канал, сокет, устройство или папка)";
    case TFileFault::HardLinked:
      return "у файла есть и другие имена (жёсткие ссылки), программа в него не пишет";
    case TFileFault::Locked:
      return "в этот файл уже идёт запись (другой программой или другим окном)";
    case TFileFault::Taken:
      return "на этом месте уже другой файл, программа его не трогает";
    case TFileFault::TooLarge:
      return "файл слишком большой";
  }
  return {};
}

}  // namespace vela
