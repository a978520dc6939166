// wxConfig profile store: written with the settings.
