# skyrill_ui: the main window library (filled in as it is built).
