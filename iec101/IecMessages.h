#pragma once
// Every message text of the IEC 60870-5-101 room, in one place.

namespace vela::iec_messages {

// Field-length settings.
inline constexpr const char* kBadLinkAddressLength =
    "Недопустимая длина поля адреса. Возможные значения: [0,1,2]";
inline constexpr const char* kBadCommonAddressLength =
    "Недопустимая длина поля \"общий адрес ASDU\". Возможные значения: [1,2]";
inline constexpr const char* kBadCotLength =
    "Недопустимая длина поля \"причина передачи ASDU\". Возможные значения: [1,2]";
inline constexpr const char* kBadIoaLength =
    "Недопустимая длина поля \"адрес объекта информации\". Возможные значения: [1,2,3]";
// A common address of ASDU out of range for its field length; filled with
// the address.
inline constexpr const char* kCommonAddressDoesNotFitOneOctet =
    "Общий адрес ASDU %u не помещается в поле длиной 1 байт: допустимы значения от 1 до 254. "
    "Укажите адрес из этого диапазона или выберите длину общего адреса ASDU 2 байта.";
inline constexpr const char* kCommonAddressDoesNotFitTwoOctets =
    "Общий адрес ASDU %u не помещается в поле длиной 2 байта: допустимы значения от 1 до "
    "65534. Укажите адрес из этого диапазона.";

// A link address out of range for its field length; filled with the
// address, the length and the highest address.
inline constexpr const char* kLinkAddressDoesNotFit =
    "Адрес канала %u не подходит для поля адреса длиной %d байт: допустимы значения от 1 до %u.";

// Options dialog: an interval that is not an integer; filled with the
// rejected text and the old interval.
inline constexpr const char* kBadCyclicInterval =
    "Ошибка ввода. Некорректное значение таймаута \"%s\" заменено на \"%d\".";

// Options dialog: an interval the window refuses before storing anything;
// filled with the rejected text.
inline constexpr const char* kIntervalNotWhole =
    "Интервал циклической передачи \"%s\" недопустим: укажите целое число.";

// Options dialog: an answer time that is not a whole number of milliseconds
// within the range; filled with the rejected text.
inline constexpr const char* kBadAnswerTime =
    "Время ожидания ответа \"%s\" недопустимо: укажите число миллисекунд от 100 до 30000.";
// The same for the link address, the staleness limit and the interrogation period.
inline constexpr const char* kBadLinkAddress =
    "Адрес канала \"%s\" недопустим: укажите целое число от 0 до 65534.";
inline constexpr const char* kBadStaleAfter =
    "Срок устаревания \"%s\" недопустим: укажите число секунд от 1 до 3600.";
inline constexpr const char* kBadInterrogationPeriod =
    "Период общего опроса \"%s\" недопустим: укажите число секунд от 0 до 86400.";

// FT 1.2 frames.
inline constexpr const char* kNoControlField =
    "формат пакета не позволяет обратиться к полю управления [C]";
inline constexpr const char* kNoDataField =
    "формат пакета не позволяет обратиться к полю данных [ASDU]";
inline constexpr const char* kAcdOnlySecondary = "ACD существует только в пакетах с PRM=0";
inline constexpr const char* kDfcOnlySecondary = "DFC существует только в пакетах с PRM=0";
inline constexpr const char* kFcbOnlyPrimary = "FCB существует только в пакетах с PRM=1";
inline constexpr const char* kFcvOnlyPrimary = "FCV существует только в пакетах с PRM=1";
inline constexpr const char* kNoAddressBySettings =
    "обращение к несуществующему полю адреса [A] (см. настройки)";
inline constexpr const char* kNoAddressField =
    "формат пакета не позволяет обратиться к полю адреса [A]";
inline constexpr const char* kFrameTooLong =
    "Превышение ограничения на длинну пакета формата FT 1.2";
inline constexpr const char* kBadSingleChar =
    "Одиночный управляющий символ FT 1.2 может быть только E5h или A2h";

// ASDU.
inline constexpr const char* kNoTypeIdField =
    "формат ASDU не позволяет обратиться к полю идентификатора типа";
inline constexpr const char* kNoVsqField =
    "формат ASDU не позволяет обратиться к полю идентификатора переменной структуры";
inline constexpr const char* kNoCotField =
    "формат ASDU не позволяет обратиться к полю причины передачи";
inline constexpr const char* kNoCommonAddressField =
    "формат ASDU не позволяет обратиться к полю общего адреса ASDU";
inline constexpr const char* kWrongInterpretation = "Неверная интерпретация ASDU";
inline constexpr const char* kBadAsduFormat = "Некорректный формат ASDU";

// Link-layer master.
inline constexpr const char* kPreviousOperationRunning =
    "Начало следующей операции невозможно до завершения предыдущей.";
inline constexpr const char* kLinkBusy = "Канал не готов - идёт обработка предыдущего запроса.";
inline constexpr const char* kLinkNeedsReset = "Нет готовности канала - требуется сброс.";

}  // namespace vela::iec_messages
