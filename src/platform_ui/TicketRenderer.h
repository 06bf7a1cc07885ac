#pragma once
// Draws a numbered ticket from its plug-in's description (platform/
// TicketPlugin.h): the paper, then every element in the file's order, in the
// plug-in's units (pixels of the preview).

#include "ticket/TicketPlugin.h"

class QPaintDevice;
class QPainter;

namespace platform_ui {

void drawTicket(QPaintDevice& device, const ticket::TicketPlugin& plugin, const ticket::TicketValues& values);
void drawTicket(QPainter& painter, const ticket::TicketPlugin& plugin, const ticket::TicketValues& values);

} // namespace platform_ui
