// SPDX-License-Identifier: MIT
#pragma once

namespace kv {

class ImageFiles;
class ImageSlot;
class SettingsStore;
class UserPrompts;

// The open and save buttons of a memory's file: the dialogs, and the boxes
// for what went wrong, titled with the program's name.
//
// Open: choose a file, show it in the path box, load it, remember it (also
// when the load failed: the choice stands).
void openImageFile(ImageFiles& files, ImageSlot& slot, UserPrompts& prompts,
                   SettingsStore& settings);
// Save: choose a file name, write the image as raw bytes.
void saveImageFile(const ImageSlot& slot, UserPrompts& prompts, const SettingsStore& settings);

}  // namespace kv
