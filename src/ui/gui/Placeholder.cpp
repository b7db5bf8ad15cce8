// The Qt Widgets layer grows with the editor window.
