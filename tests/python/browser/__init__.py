"""Headless-Chromium judge of finished figures, used by the browser tests."""
