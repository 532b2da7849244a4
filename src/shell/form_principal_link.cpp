// The main window's side of the link: supervision tick, identification and
// the status line of configuration answers.

#include "shell/form_principal.h"

void TFormPrincipal::TimerPollingTimer() {}

void TFormPrincipal::ForgetIdentification() {}

void TFormPrincipal::OnIdentificationRequested() {}

void TFormPrincipal::HandleConfigResponse(const std::uint8_t*, std::uint8_t) {}

void TFormPrincipal::HandleIdentification(const std::uint8_t*, std::uint8_t) {}

void TFormPrincipal::HandleAckStatus() {}

void TFormPrincipal::HandleNackStatus() {}
