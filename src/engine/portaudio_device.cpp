// PortAudio sound device: written with the engine.
