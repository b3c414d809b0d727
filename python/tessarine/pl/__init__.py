"""Plotting."""
