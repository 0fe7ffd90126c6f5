#pragma once

namespace shopkeeper::gui {

// Plays the short confirmation chime after a save, without waiting for it. Silent where the
// machine has no audio device or no way to play a WAV.
class SoundPlayer
{
public:
    static void playSaved();
};

} // namespace shopkeeper::gui
