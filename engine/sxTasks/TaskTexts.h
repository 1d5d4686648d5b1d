// Russian texts of the disc checks that the wizard shows and the command
// line prints.
#pragma once

namespace zelvane::tasks::texts {

inline constexpr const char *kNotReady = "Устройство не готово";
inline constexpr const char *kNoMedium = "Носитель отсутствует или имеет неизвестный тип";
// Followed by the media name and kCannotWriteMediumEnd.
inline constexpr const char *kCannotWriteMedium = "Запись на носитель ";
inline constexpr const char *kCannotWriteMediumEnd = " не возможна";
inline constexpr const char *kDiscFinalized = "Диск финализирован, его продолжение невозможно.";
inline constexpr const char *kEraseQuestion =
    "Запись возможна лишь после предварительной очистки носителя.\rЗапланировать предварительную очистку?";
inline constexpr const char *kEraseNeeded = "Запись возможна лишь после предварительной очистки носителя.";
inline constexpr const char *kProjectTooLarge = "Размер проекта превышает объем свободного места на диске";
// An image is written from the start of the disc; a write-once disc that
// already holds data cannot take it.
inline constexpr const char *kImageNeedsBlankDisc =
    "Образ записывается с начала диска, а этот диск уже содержит данные и не может быть очищен.\r"
    "Вставьте чистый или перезаписываемый диск.";
inline constexpr const char *kInsertRewritable = "Вставьте перезаписываемый диск для очистки";

} // namespace zelvane::tasks::texts
