#pragma once
// Every message text the Modbus master raises, in one place. The texts reach
// the activity log unchanged, so they are final.

#include <cstdint>
#include <string>

namespace vela::modbus_messages {

// Link faults (TModbusLinkException).
inline constexpr const char kLengthMismatch[] = "Длина ответа (%d) не совпадает с ожидаемой (%d)";
inline constexpr const char kAsciiFrameBroken[] = "Нарушен формат ответа :<body><CR><LF>";
inline constexpr const char kChecksumMismatch[] = "Несовпадение контрольной суммы";
inline constexpr const char kAddressMismatch[] = "В пакете указан несовпадающий адрес";
inline constexpr const char kResponseMismatch[] = "Ответ не соответствует запросу";
inline constexpr const char kFormatMismatch[] = "Формат ответа не совпадает с ожидаемым";

// Protocol limit (TModbusLogicException, code 0).
inline constexpr const char kRegisterCountRefused[] = "Протокол не допускает отправку %d регистров";

// Device exception responses (TModbusLogicException, code = exception code).
inline constexpr const char kIllegalFunction[] =
    "MODBUS: Запрашиваемая функция не поддерживается удалённым устройством";
inline constexpr const char kIllegalDataAddress[] = "MODBUS: Некорректный адрес данных";
inline constexpr const char kIllegalDataValue[] = "MODBUS: Данные не корректны";
inline constexpr const char kDeviceFailure[] = "MODBUS: Отказ в выполении";
inline constexpr const char kDeviceBusy[] = "MODBUS: Устройство не готово (BUSY)";
inline constexpr const char kOtherRefusal[] = "MODBUS: Отказ в выполнении (код %d)";

// The formatted texts.
std::string LengthMismatchText(int received, int expected);
std::string RegisterCountRefusedText(int count);
std::string ExceptionResponseText(int code);

}  // namespace vela::modbus_messages
