// Names of the text table entries that the code shows. The texts themselves live in
// Tarvik_char2.ini (docs/text_table.md lists them); a name says what the entry is for.
#pragma once

// ---- general -----------------------------------------------------------------------------

// ---- the wire: peer close and client slots (113-119) --------------------------------------

// ---- find, select and copy (120-129; menu items in their popups' decades) -----------------

// ---- TLS (130-139) ------------------------------------------------------------------------

// ---- responder (166-179; menu items in their popups' decades) -----------------------------
